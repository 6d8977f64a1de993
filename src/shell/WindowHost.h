#pragma once

#include "search/SearchHost.h"

#include <QElapsedTimer>

namespace ds::shell {

class frmSifter;

// The search run's host in the desktop program: the criteria come from the windows and menus,
// progress goes to the progress window or the status line, rows to the result grid. Window
// events are processed at most every 10 ms, but the stop request is looked at every time.
class WindowHost final : public search::SearchHost {
  public:
    explicit WindowHost(frmSifter& main) : main_(main) { sinceYield_.start(); }

    search::SearchCriteria criteria() override;
    void discardResults() override;
    void prepareResults(const QString& layoutTag, const QString& connect, int formatIndex,
                        const QList<search::ColumnSpec>& columns) override;
    void appendRow(const QString& row) override;
    void showResults() override;
    void setStatusText(const QString& text) override;
    void showProgressWindow(bool visible) override;
    void setProgressText(search::ProgressLabel label, const QString& text) override;
    void setProgressLabelVisible(search::ProgressLabel label, bool visible) override;
    void setRecordProgress(std::int64_t record, int percent) override;
    void showStatusLine(bool visible) override;
    void setStatusLineText(int index, const QString& text) override;
    void lockUserInterface(bool locked) override;
    void yield() override;
    bool stopRequested() override;
    void clearStopRequest() override;
    int message(const QString& text, platform::Icon icon) override;
    QString askPassword(const QString& filePath) override;
    void addSearchFolder(const QString& folder) override;

  private:
    void flushRecordProgress();

    frmSifter& main_;
    QElapsedTimer sinceYield_;
    std::int64_t pendingRecord_ = -1;
    int pendingPercent_ = -1;
};

}  // namespace ds::shell
