#pragma once

#include "search/ResultTable.h"
#include "search/SearchHost.h"

#include <QSet>

namespace ds::cli {

// The search run's host on the command line: the criteria come from the arguments, rows go
// into a headless result table, messages to stderr, and a protected file is offered the given
// password once (never a prompt).
class CliHost final : public search::SearchHost {
  public:
    explicit CliHost(search::SearchCriteria criteria, std::optional<QString> password)
        : criteria_(std::move(criteria)), password_(std::move(password)) {}

    search::ResultTable table;

    search::SearchCriteria criteria() override { return criteria_; }
    bool showsProgress() const override { return false; }
    void discardResults() override { table.reset(); }
    void prepareResults(const QString& layoutTag, const QString& connect, int formatIndex,
                        const QList<search::ColumnSpec>& columns) override;
    void appendRow(const QString& row) override { table.addItem(row); }
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
    QSet<QString> offered_;
};

}  // namespace ds::cli
