#pragma once

#include "fuzzcheck.h"
#include "statement.h"

#include <cstddef>
#include <cstdint>
#include <functional>

// Runs one reader on the fuzzer's bytes: it must either refuse them with a
// StatementError that names a place and a reason, or give lines that each
// have a real date, an amount within what can be typed and a place of their
// own.
inline void checkStatementReader(const uint8_t *data, size_t size,
                                 const std::function<bc::Statement(const QByteArray &)> &reader)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    try {
        const bc::Statement statement = reader(bytes);
        for (const bc::StatementLine &line : statement.lines) {
            fuzzCheck(line.date.isValid() && !line.where.isEmpty());
            fuzzCheck(line.amount.abs().cents() <= bc::Money::MaxCents);
        }
    } catch (const bc::StatementError &error) {
        fuzzCheck(!error.where().isEmpty() && !error.reason().isEmpty());
    }
}
