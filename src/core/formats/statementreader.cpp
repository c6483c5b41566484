#include "statementreader.h"

#include "camtreader.h"
#include "csvstatement.h"
#include "ofxreader.h"
#include "qifreader.h"

#include <QFileInfo>

namespace bc {

std::optional<StatementFormat> detectStatementFormat(const QByteArray &data, const QString &fileName)
{
    QByteArray head = data.left(4096);
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    head = head.trimmed();
    const QByteArray lower = head.toLower();
    if (lower.contains("ofxheader") || lower.contains("<ofx>"))
        return StatementFormat::Ofx;
    if (head.startsWith('<') && lower.contains("camt.053"))
        return StatementFormat::Camt053;
    if (lower.startsWith("!type:") || lower.startsWith("!account") || lower.startsWith("!option")
        || lower.startsWith("!clear"))
        return StatementFormat::Qif;
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("ofx") || suffix == QLatin1String("qfx"))
        return StatementFormat::Ofx;
    if (suffix == QLatin1String("qif"))
        return StatementFormat::Qif;
    if (suffix == QLatin1String("xml"))
        return StatementFormat::Camt053;
    if (suffix == QLatin1String("csv") || suffix == QLatin1String("txt"))
        return StatementFormat::Csv;
    return std::nullopt;
}

Statement readStatement(const QByteArray &data, StatementFormat format, const StatementReadOptions &options)
{
    switch (format) {
    case StatementFormat::Ofx: return readOfxStatement(data);
    case StatementFormat::Qif: return readQifStatement(data, options.qifDateOrder, options.qifEncoding);
    case StatementFormat::Camt053: return readCamtStatement(data);
    case StatementFormat::Csv: break;
    }
    return readCsvStatement(data, options.csv);
}

} // namespace bc
