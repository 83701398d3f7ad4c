// Worker threads on Win32 threads: the threads sleep on a condition variable until run()
// hands out a new generation of work, and run() sleeps until every thread has finished it.
#include <windows.h>

#include <vector>

#include "platform/worker_threads.h"

namespace rx::platform {

int32_t processorCount() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const DWORD n = info.dwNumberOfProcessors;
    return n < 1 ? 1 : (n > 256 ? 256 : int32_t(n));
}

struct WorkerThreads::Impl {
    CRITICAL_SECTION lock;
    CONDITION_VARIABLE wake;
    CONDITION_VARIABLE done;
    std::vector<HANDLE> threads;
    Job job = nullptr;
    void* context = nullptr;
    uint64_t generation = 0;
    int32_t busy = 0;
    int32_t running = 0;  // threads not yet past their last lock
    bool stopping = false;

    Impl() {
        InitializeCriticalSection(&lock);
        InitializeConditionVariable(&wake);
        InitializeConditionVariable(&done);
    }
    ~Impl() { DeleteCriticalSection(&lock); }

    static DWORD WINAPI main(LPVOID self) {
        Impl& m = *static_cast<Impl*>(self);
        uint64_t seen = 0;
        EnterCriticalSection(&m.lock);
        for (;;) {
            while (!m.stopping && m.generation == seen)
                SleepConditionVariableCS(&m.wake, &m.lock, INFINITE);
            if (m.stopping) break;
            seen = m.generation;
            const Job job = m.job;
            void* context = m.context;
            LeaveCriticalSection(&m.lock);
            job(context);
            EnterCriticalSection(&m.lock);
            if (--m.busy == 0) WakeConditionVariable(&m.done);
        }
        --m.running;
        WakeAllConditionVariable(&m.done);
        LeaveCriticalSection(&m.lock);
        return 0;
    }
};

WorkerThreads::WorkerThreads(int32_t count) : impl_(new Impl) {
    for (int32_t i = 0; i < count; ++i) {
        EnterCriticalSection(&impl_->lock);
        ++impl_->running;
        LeaveCriticalSection(&impl_->lock);
        HANDLE t = CreateThread(nullptr, 0, &Impl::main, impl_, 0, nullptr);
        if (!t) {
            EnterCriticalSection(&impl_->lock);
            --impl_->running;
            LeaveCriticalSection(&impl_->lock);
            break;
        }
        impl_->threads.push_back(t);
    }
}

WorkerThreads::~WorkerThreads() {
    EnterCriticalSection(&impl_->lock);
    impl_->stopping = true;
    WakeAllConditionVariable(&impl_->wake);
    while (impl_->running > 0) SleepConditionVariableCS(&impl_->done, &impl_->lock, INFINITE);
    LeaveCriticalSection(&impl_->lock);
    // Every thread is past its last use of the shared state. Its exit is waited for only a
    // while: when the module is being unloaded the loader lock is held, and a thread cannot
    // finish exiting until it is released; by then it has long left the module's code.
    const DWORD count = DWORD(impl_->threads.size());
    if (count > 0) WaitForMultipleObjects(count, impl_->threads.data(), TRUE, 250);
    for (HANDLE t : impl_->threads) CloseHandle(t);
    delete impl_;
}

int32_t WorkerThreads::threadCount() const { return int32_t(impl_->threads.size()); }

void WorkerThreads::run(Job job, void* context) {
    Impl& m = *impl_;
    if (!m.threads.empty()) {
        EnterCriticalSection(&m.lock);
        m.job = job;
        m.context = context;
        m.busy = int32_t(m.threads.size());
        ++m.generation;
        WakeAllConditionVariable(&m.wake);
        LeaveCriticalSection(&m.lock);
    }
    job(context);
    if (!m.threads.empty()) {
        EnterCriticalSection(&m.lock);
        while (m.busy > 0) SleepConditionVariableCS(&m.done, &m.lock, INFINITE);
        LeaveCriticalSection(&m.lock);
    }
}

}  // namespace rx::platform
