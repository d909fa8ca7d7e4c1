#pragma once
// A full disk for the tests: while a TFileSizeLimit lives, no file of this
// process grows beyond a few bytes (RLIMIT_FSIZE, with SIGXFSZ ignored so that
// the write fails with EFBIG instead); works for every user, root included.
#include <sys/resource.h>

#include <csignal>

namespace tibo::testing_support {

class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        OldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &Old_);
        rlimit small = Old_;
        small.rlim_cur = bytes;
        Active_ = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &Old_);
        std::signal(SIGXFSZ, OldHandler_);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;
    bool Active() const { return Active_; }

private:
    rlimit Old_ {};
    void (*OldHandler_)(int) = nullptr;
    bool Active_ = false;
};

}  // namespace tibo::testing_support
