#include "search/ParallelScan.h"

#include "dbengine/EngineError.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>

namespace ds::search {

namespace {

int decimalDigits(std::int64_t n) {
    int digits = 1;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}

// Thrown by a part whose rows alone exceed the run's capacity: the run ends at the latest there.
struct PartFull {};

}  // namespace

// What a worker read of one part of a file, recorded for the replay.
struct ParallelScan::Part final : ScanSink {
    enum class Kind : std::uint8_t { Table, Hits, Error, NotOpened, OutOfMemory };
    struct Event {
        Kind kind;
        int number;           // Error: the engine's number
        std::int64_t record;  // Hits: number within the part
        std::uint32_t first;  // Hits: into terms; Table and Error: into texts
        std::uint32_t count;
    };

    explicit Part(const Settings& s) : settings(s) {}

    void beginTable(const QString& displayText) override {
        events.push_back({Kind::Table, 0, 0, std::uint32_t(texts.size()), 0});
        texts.push_back(displayText);
        displaySize = displayText.size();
    }
    void recordHits(std::int64_t record, std::span<const int> found) override {
        events.push_back(
            {Kind::Hits, 0, record, std::uint32_t(terms.size()), std::uint32_t(found.size())});
        terms.insert(terms.end(), found.begin(), found.end());
        // The rows' text without its record numbers' offset: never more than the run will count.
        const std::int64_t fixed = displaySize + 2 + decimalDigits(record);
        if (settings.allTerms) {
            rowText += fixed + allTermsCell().size();
        } else {
            for (int k : found)
                rowText += fixed + settings.terms[k].size();
        }
        if (rowText > settings.capacity) {
            truncated = true;
            throw PartFull{};
        }
    }
    void endTable(std::int64_t records) override { visited = records; }
    void endWithError(int number, const QString& message) override {
        events.push_back({Kind::Error, number, 0, std::uint32_t(texts.size()), 0});
        texts.push_back(message);
    }
    void endNotOpened() override { events.push_back({Kind::NotOpened, 0, 0, 0, 0}); }
    void endOutOfMemory() override { events.push_back({Kind::OutOfMemory, 0, 0, 0, 0}); }

    // Replays the part with its record numbers moved by `base`; true when the file ended in it.
    bool replay(ScanSink& sink, std::int64_t base) const {
        for (const Event& e : events) {
            switch (e.kind) {
                case Kind::Table:
                    sink.beginTable(texts[e.first]);
                    break;
                case Kind::Hits:
                    sink.recordHits(base + e.record,
                                    std::span<const int>(terms.data() + e.first, e.count));
                    break;
                case Kind::Error:
                    sink.endWithError(e.number, texts[e.first]);
                    return true;
                case Kind::NotOpened:
                    sink.endNotOpened();
                    return true;
                case Kind::OutOfMemory:
                    sink.endOutOfMemory();
                    return true;
            }
        }
        if (failure)
            std::rethrow_exception(failure);
        return truncated;
    }

    // Frees the storage too (assigning {} would keep it).
    void drop() {
        std::vector<Event>().swap(events);
        std::vector<int>().swap(terms);
        std::vector<QString>().swap(texts);
    }

    const Settings& settings;
    std::vector<Event> events;
    std::vector<int> terms;
    std::vector<QString> texts;
    std::int64_t visited = 0;
    qsizetype displaySize = 0;
    std::int64_t rowText = 0;
    bool truncated = false;
    bool done = false;           // read; guarded by the scan's mutex
    std::exception_ptr failure;  // thrown on the worker, rethrown on the run's thread
};

struct ParallelScan::Job {
    Task* task = nullptr;
    std::size_t part = 0;
    std::optional<ScanPart> range;  // all but the first part
};

struct ParallelScan::Task {
    ScanRequest request;
    std::vector<std::unique_ptr<Part>> parts;
    int unfinished = 1;    // parts not yet read
    std::deque<Job> held;  // parts not yet queued: a few are read ahead of the replay
};

// Splits a large table when its first part is opened: the other parts go ahead of later files.
class ParallelScan::Planner final : public PartPlanner {
  public:
    Planner(ParallelScan& scan, Task& task) : scan_(scan), task_(task) {}

    std::uint64_t planParts(std::uint64_t slotTotal, const QString& passwordPart) override {
        const std::uint64_t size = std::max<std::uint64_t>(1, scan_.settings_.partSlots);
        if (slotTotal < 2 * size)
            return slotTotal;
        const std::uint64_t count = (slotTotal + size - 1) / size;
        std::vector<Job> more;
        std::lock_guard lock(scan_.mutex_);
        for (std::uint64_t p = 1; p < count; ++p) {
            task_.parts.push_back(std::make_unique<Part>(scan_.settings_));
            more.push_back({&task_, std::size_t(p),
                            ScanPart{p * size, std::min(slotTotal, (p + 1) * size), passwordPart}});
        }
        task_.unfinished += int(count - 1);
        // Only a few parts ahead of the replay, so that the hits held stay few whatever the
        // table's size; the replay queues the next one as it drops one.
        const std::size_t ahead = std::min(more.size(), 2 * scan_.workers_.size());
        scan_.jobs_.insert(scan_.jobs_.begin(), more.begin(), more.begin() + ahead);
        task_.held.assign(more.begin() + ahead, more.end());
        scan_.jobReady_.notify_all();
        return size;
    }

  private:
    ParallelScan& scan_;
    Task& task_;
};

class ParallelScan::WorkerControl final : public ScanControl {
  public:
    explicit WorkerControl(ParallelScan& scan) : scan_(scan) {}
    bool showsProgress() const override { return false; }
    void setRecordProgress(std::int64_t, int) override {}
    void yield() override {}
    bool stopRequested() override { return scan_.closing_.load(std::memory_order_relaxed); }
    QString askPassword(const QString& filePath) override {
        if (!scan_.settings_.askPassword)
            return {};
        std::lock_guard lock(scan_.passwordMutex_);
        return scan_.settings_.askPassword(filePath);
    }

  private:
    ParallelScan& scan_;
};

ParallelScan::ParallelScan(Settings settings) : settings_(std::move(settings)) {
    const int threads = std::max(1, settings_.threads);
    workers_.reserve(std::size_t(threads));
    for (int i = 0; i < threads; ++i)
        workers_.emplace_back([this] { work(); });
}

ParallelScan::~ParallelScan() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        jobs_.clear();
    }
    jobReady_.notify_all();
    for (std::thread& t : workers_)
        t.join();
}

void ParallelScan::submit(const ScanRequest& request) {
    auto task = std::make_unique<Task>();
    task->request = request;
    task->parts.push_back(std::make_unique<Part>(settings_));
    std::lock_guard lock(mutex_);
    jobs_.push_back({task.get(), 0, std::nullopt});
    tasks_.push_back(std::move(task));
    if (idleWorkers_ > 0)
        jobReady_.notify_one();
}

std::size_t ParallelScan::pending() const {
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

void ParallelScan::replayNext(ScanSink& sink) {
    Task* task = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (tasks_.empty())
            return;
        task = tasks_.front().get();
    }
    // Parts are replayed as they are read and dropped after, so that a large table's hits are not
    // all held at once. The task goes when none of its parts is read any longer.
    struct Release {
        ParallelScan& scan;
        Task* task;
        ~Release() {
            std::unique_lock lock(scan.mutex_);
            std::erase_if(scan.jobs_, [&](const Job& j) {
                if (j.task != task)
                    return false;
                --task->unfinished;
                return true;
            });
            task->unfinished -= int(task->held.size());
            task->held.clear();
            scan.waitHelping(lock, [&] { return task->unfinished == 0; });
            scan.tasks_.pop_front();
        }
    } release{*this, task};

    // What the run's own reading would have done with the sink's exceptions.
    try {
        std::int64_t base = 0;
        for (std::size_t p = 0;; ++p) {
            Part* part = nullptr;
            {
                std::unique_lock lock(mutex_);
                // The first part adds the others before it is done.
                waitHelping(lock, [&] { return task->parts[p]->done; });
                part = task->parts[p].get();
            }
            if (part->replay(sink, base)) {
                if (part->truncated)
                    sink.endOutOfMemory();  // unreachable: the sink found the table full first
                return;
            }
            base += part->visited;
            part->drop();
            std::lock_guard lock(mutex_);
            if (p + 1 == task->parts.size())
                return;
            if (!task->held.empty()) {
                // Behind the parts already queued, ahead of later files.
                const auto firstOther = std::find_if(jobs_.begin(), jobs_.end(),
                                                     [&](const Job& j) { return j.task != task; });
                jobs_.insert(firstOther, std::move(task->held.front()));
                task->held.pop_front();
                if (idleWorkers_ > 0)
                    jobReady_.notify_one();
            }
        }
    } catch (const std::bad_alloc&) {
        sink.endOutOfMemory();
    } catch (const db::EngineError& e) {
        sink.endWithError(e.number(), e.message());
    }
}

template <class Done>
void ParallelScan::waitHelping(std::unique_lock<std::mutex>& lock, Done done) {
    while (!done()) {
        if (!jobs_.empty()) {
            const Job job = std::move(jobs_.front());
            jobs_.pop_front();
            Part& part = *job.task->parts[job.part];
            lock.unlock();
            if (!helperMatcher_) {
                helperMatcher_ = std::make_unique<TermMatcher>(settings_.terms, settings_.matchCase,
                                                               settings_.exclude);
            }
            runJob(job, part, helperWorkspace_, *helperMatcher_);
            lock.lock();
            finishJob(job, part);
            continue;
        }
        replayWaiting_ = true;
        taskDone_.wait(lock);
        replayWaiting_ = false;
    }
}

void ParallelScan::runJob(const Job& job, Part& part, db::Workspace& workspace,
                          TermMatcher& matcher) {
    try {
        WorkerControl control(*this);
        if (job.range) {
            ScanRequest request = job.task->request;
            request.part = job.range;
            scanDatabaseFile(workspace, request, matcher, control, part);
        } else {
            Planner planner(*this, *job.task);
            scanDatabaseFile(workspace, job.task->request, matcher, control, part, &planner);
        }
    } catch (const PartFull&) {
    } catch (...) {
        part.failure = std::current_exception();
    }
}

void ParallelScan::finishJob(const Job& job, Part& part) {
    part.done = true;
    --job.task->unfinished;
    if (replayWaiting_)
        taskDone_.notify_all();
}

void ParallelScan::work() {
    db::Workspace workspace;
    TermMatcher matcher(settings_.terms, settings_.matchCase, settings_.exclude);
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idleWorkers_;
        jobReady_.wait(lock, [&] { return closing_ || !jobs_.empty(); });
        --idleWorkers_;
        if (closing_)
            return;
        const Job job = std::move(jobs_.front());
        jobs_.pop_front();
        Part& part = *job.task->parts[job.part];
        lock.unlock();
        runJob(job, part, workspace, matcher);
        lock.lock();
        finishJob(job, part);
    }
}

}  // namespace ds::search
