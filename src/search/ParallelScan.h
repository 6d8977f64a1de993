#pragma once

#include "search/FileScan.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace ds::search {

// Reads the files of the content search on worker threads, ahead of the run, and hands back what
// each one reported, in the order the files were submitted: replayed into the run's own sink, the
// rows come out exactly as if the run had read the files itself. A large one-table file is read
// in parts on several workers; record numbers are fixed up when the parts are replayed.
//
// Only for readers that keep no state shared between files (each worker has its own workspace and
// matcher) and for runs that show no progress.
class ParallelScan {
  public:
    struct Settings {
        int threads = 2;
        QStringList terms;
        bool matchCase = false;
        std::optional<QString> exclude;
        bool allTerms = false;
        // The run's row capacity: a worker stops recording a file whose rows alone exceed it.
        std::int64_t capacity = std::numeric_limits<std::int32_t>::max();
        // Record slots of one part of a large table.
        std::uint64_t partSlots = 1 << 16;
        // Called on a worker, one call at a time: the password prompt's answer for a file.
        std::function<QString(const QString&)> askPassword;
    };
    explicit ParallelScan(Settings settings);
    ~ParallelScan();  // drops the files not yet read and waits for the workers
    ParallelScan(const ParallelScan&) = delete;
    ParallelScan& operator=(const ParallelScan&) = delete;

    void submit(const ScanRequest& request);
    // Files submitted and not yet replayed.
    std::size_t pending() const;
    // Waits until the oldest pending file is read, then replays its report into the sink.
    // Exceptions the sink throws pass through; the file counts as replayed.
    void replayNext(ScanSink& sink);

  private:
    struct Part;
    struct Task;
    struct Job;
    class Planner;
    class WorkerControl;

    void work();
    void runJob(const Job& job, Part& part, db::Workspace& workspace, TermMatcher& matcher);
    void finishJob(const Job& job, Part& part);  // under the mutex
    // Waits under the lock until done() holds; reads queued parts on this thread meanwhile.
    template <class Done>
    void waitHelping(std::unique_lock<std::mutex>& lock, Done done);

    Settings settings_;
    mutable std::mutex mutex_;
    std::mutex passwordMutex_;
    std::condition_variable jobReady_;
    std::condition_variable taskDone_;
    std::deque<Job> jobs_;
    std::deque<std::unique_ptr<Task>> tasks_;
    std::atomic<bool> closing_{false};
    int idleWorkers_ = 0;         // waiting for a job
    bool replayWaiting_ = false;  // the run waits for a part
    std::vector<std::thread> workers_;
    // The run's thread reads too while it would otherwise wait.
    db::Workspace helperWorkspace_;
    std::unique_ptr<TermMatcher> helperMatcher_;
};

}  // namespace ds::search
