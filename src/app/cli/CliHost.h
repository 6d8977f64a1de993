#pragma once

#include "app/cli/CliOutput.h"
#include "search/ResultTable.h"
#include "search/SearchHost.h"

#include <QSet>

namespace ds::cli {

// The search run's host on the command line: the criteria come from the arguments, rows go
// into a headless result table, messages to stderr, and a protected file is offered the given
// password once (never a prompt).
class CliHost final : public search::SearchHost {
  public:
    explicit CliHost(search::SearchCriteria criteria, std::optional<QString> password,
                     int threads = 1)
        : criteria_(std::move(criteria)), password_(std::move(password)), threads_(threads) {}

    search::ResultTable table;

    // Rows go to this writer as TSV lines instead of into the table, from the heading row on.
    void streamRowsTo(LineWriter* writer) { stream_ = writer; }
    // The heading row was written: the table holds no rows, the writer has them all.
    bool streamed() const { return streamStarted_; }

    search::SearchCriteria criteria() override { return criteria_; }
    bool showsProgress() const override { return false; }
    int scanThreads() const override { return threads_; }
    void discardResults() override { table.reset(); }
    void prepareResults(const QString& layoutTag, const QString& connect, int formatIndex,
                        const QList<search::ColumnSpec>& columns) override;
    void appendRow(const QString& row) override;
    void showResults() override {}
    void setStatusText(const QString&) override {}
    void showProgressWindow(bool) override {}
    void setProgressText(search::ProgressLabel, const QString&) override {}
    void setProgressLabelVisible(search::ProgressLabel, bool) override {}
    void setRecordProgress(std::int64_t, int) override {}
    void showStatusLine(bool) override {}
    void setStatusLineText(int, const QString&) override {}
    void lockUserInterface(bool) override {}
    void yield() override {}
    bool stopRequested() override { return false; }
    void clearStopRequest() override {}
    int message(const QString& text, platform::Icon icon) override;
    QString askPassword(const QString& filePath) override;
    void addSearchFolder(const QString&) override {}

  private:
    search::SearchCriteria criteria_;
    std::optional<QString> password_;
    int threads_;
    LineWriter* stream_ = nullptr;
    bool streamStarted_ = false;
    QSet<QString> offered_;
};

}  // namespace ds::cli
