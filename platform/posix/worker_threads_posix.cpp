// Worker threads on POSIX threads: the threads sleep on a condition until run() hands out a
// new generation of work, and run() sleeps until every thread has finished it.
#include <pthread.h>
#include <unistd.h>

#include <new>
#include <vector>

#include "platform/worker_threads.h"

namespace rx::platform {

int32_t processorCount() {
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n < 1 ? 1 : (n > 256 ? 256 : int32_t(n));
}

struct WorkerThreads::Impl {
    pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t wake = PTHREAD_COND_INITIALIZER;
    pthread_cond_t done = PTHREAD_COND_INITIALIZER;
    std::vector<pthread_t> threads;
    Job job = nullptr;
    void* context = nullptr;
    uint64_t generation = 0;
    int32_t busy = 0;
    bool stopping = false;

    static void* main(void* self) {
        Impl& m = *static_cast<Impl*>(self);
        uint64_t seen = 0;
        pthread_mutex_lock(&m.lock);
        for (;;) {
            while (!m.stopping && m.generation == seen) pthread_cond_wait(&m.wake, &m.lock);
            if (m.stopping) break;
            seen = m.generation;
            const Job job = m.job;
            void* context = m.context;
            pthread_mutex_unlock(&m.lock);
            job(context);
            pthread_mutex_lock(&m.lock);
            if (--m.busy == 0) pthread_cond_signal(&m.done);
        }
        pthread_mutex_unlock(&m.lock);
        return nullptr;
    }
};

WorkerThreads::WorkerThreads(int32_t count) : impl_(new Impl) {
    for (int32_t i = 0; i < count; ++i) {
        pthread_t t;
        if (pthread_create(&t, nullptr, &Impl::main, impl_) != 0) break;
        impl_->threads.push_back(t);
    }
}

WorkerThreads::~WorkerThreads() {
    pthread_mutex_lock(&impl_->lock);
    impl_->stopping = true;
    pthread_cond_broadcast(&impl_->wake);
    pthread_mutex_unlock(&impl_->lock);
    for (pthread_t t : impl_->threads) pthread_join(t, nullptr);
    pthread_mutex_destroy(&impl_->lock);
    pthread_cond_destroy(&impl_->wake);
    pthread_cond_destroy(&impl_->done);
    delete impl_;
}

int32_t WorkerThreads::threadCount() const { return int32_t(impl_->threads.size()); }

void WorkerThreads::run(Job job, void* context) {
    Impl& m = *impl_;
    if (!m.threads.empty()) {
        pthread_mutex_lock(&m.lock);
        m.job = job;
        m.context = context;
        m.busy = int32_t(m.threads.size());
        ++m.generation;
        pthread_cond_broadcast(&m.wake);
        pthread_mutex_unlock(&m.lock);
    }
    job(context);
    if (!m.threads.empty()) {
        pthread_mutex_lock(&m.lock);
        while (m.busy > 0) pthread_cond_wait(&m.done, &m.lock);
        pthread_mutex_unlock(&m.lock);
    }
}

}  // namespace rx::platform
