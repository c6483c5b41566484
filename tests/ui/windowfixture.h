#pragma once

#include "appstate.h"
#include "frmmain.h"
#include "recordingmessages.h"
#include "testbook.h"
#include "typist.h"
#include "windowcleanup.h"

#include <QObject>
#include <QTemporaryDir>
#include <memory>

namespace bc::test {

// What every window test starts from and clears away: a temporary folder, an
// AppState whose messages are recorded, and the book the windows work on
// (a TestBook the test fills, or the book of a first start in the folder).
// After each test the windows it left open are closed and all of it is dropped.
class WindowTest : public QObject {
    Q_OBJECT

protected:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<TestBook> m_book;
    RecordingMessages m_messages;

    AppState &state() { return *m_state; }
    QString file(const QString &name) const { return m_dir->filePath(name); }

    // A new folder and state, nothing recorded yet, no book open.
    void start()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_messages = RecordingMessages();
        m_state = std::make_unique<AppState>();
        m_state->messages = &m_messages;
    }
    // The settings file and default book live in the test's folder.
    void useFolderForFiles() { m_state->paths = AppPaths{m_dir->path()}; }
    // The program's first start in the test's folder; its failure, or empty.
    QString firstStart()
    {
        useFolderForFiles();
        return m_state->paths.createDefaultBookOnFirstStart();
    }
    // A fresh book in a folder of its own, for the test to fill before openBook().
    TestBook &newBook()
    {
        m_book = std::make_unique<TestBook>();
        return *m_book;
    }
    // The state opens the test book, whose own connection is closed first.
    bool openBook()
    {
        m_book->book().close();
        return m_state->book.open(m_book->path()).ok();
    }
    // The main window on the state's book, shown and active; null when it
    // could not be made active.
    frmMain *showMainWindow()
    {
        auto *w = new frmMain(*m_state);
        w->show();
        return activate(w) ? w : nullptr;
    }
    void clearAway()
    {
        closeAllWindows();
        m_state.reset();
        m_book.reset();
        m_dir.reset();
    }

private slots:
    void cleanup() { clearAway(); }
};

} // namespace bc::test
