#pragma once

#include "search/ResultTable.h"
#include "search/SearchHost.h"

#include <QStringList>

#include <functional>

namespace ds::test {

// A search host that records what the run shows and lets a test stop the run at a chosen point.
class RecordingHost : public search::SearchHost {
  public:
    search::SearchCriteria c;
    search::ResultTable table;
    QStringList rows;  // appended rows in order (since the last discard)
    QStringList messages;
    QStringList calls;            // "discard", "prepare", "lock", "unlock", "show", ...
    QStringList passwordAnswers;  // answers of the password prompt, in order; then cancel
    QStringList passwordPrompts;
    QStringList searchFolders;
    int yields = 0;
    bool stop = false;
    // Called at every yield; may set stop.
    std::function<void(RecordingHost&)> onYield;
    QString progressFolder;
    bool progressShown = true;  // false: as on the command line
    int threads = 1;            // worker threads of the content search

    search::SearchCriteria criteria() override { return c; }
    bool showsProgress() const override { return progressShown; }
    int scanThreads() const override { return threads; }
    void discardResults() override {
        calls << QStringLiteral("discard");
        rows.clear();
        table.reset();
    }
    void prepareResults(const QString& layoutTag, const QString& connect, int formatIndex,
                        const QList<search::ColumnSpec>& columns) override {
        calls << QStringLiteral("prepare:") + layoutTag;
        table.setColumns(columns);
        table.layoutTag = layoutTag;
        table.connect = connect;
        table.formatIndex = formatIndex;
    }
    void appendRow(const QString& row) override {
        rows << row;
        table.addItem(row);
    }
    void showResults() override { calls << QStringLiteral("show"); }
    void setStatusText(const QString& t) override { calls << QStringLiteral("status:") + t; }
    void showProgressWindow(bool v) override {
        calls << (v ? QStringLiteral("progress") : QStringLiteral("noprogress"));
    }
    void setProgressText(search::ProgressLabel l, const QString& t) override {
        if (l == search::ProgressLabel::Folder)
            progressFolder = t;
    }
    void setProgressLabelVisible(search::ProgressLabel, bool) override {}
    void setRecordProgress(std::int64_t, int) override {}
    void showStatusLine(bool v) override {
        calls << (v ? QStringLiteral("statusline") : QStringLiteral("nostatusline"));
    }
    void setStatusLineText(int, const QString&) override {}
    void lockUserInterface(bool locked) override {
        calls << (locked ? QStringLiteral("lock") : QStringLiteral("unlock"));
    }
    void yield() override {
        ++yields;
        if (onYield)
            onYield(*this);
    }
    bool stopRequested() override { return stop; }
    void clearStopRequest() override { stop = false; }
    int message(const QString& text, platform::Icon) override {
        messages << text;
        return platform::AnswerOk;
    }
    QString askPassword(const QString& filePath) override {
        passwordPrompts << filePath;
        if (passwordAnswers.isEmpty())
            return {};
        const QString p = passwordAnswers.takeFirst();
        return p.isEmpty() ? QString() : QStringLiteral(";PWD=") + p + QLatin1Char(';');
    }
    void addSearchFolder(const QString& f) override { searchFolders << f; }
};

}  // namespace ds::test
