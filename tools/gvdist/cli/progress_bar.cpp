#include "cli/progress_bar.h"

#include "base/interrupt.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#define GV_ISATTY _isatty
#define GV_FILENO _fileno
#else
#include <unistd.h>
#define GV_ISATTY isatty
#define GV_FILENO fileno
#endif

bool ProgressWanted(bool quiet) {
    if (quiet || !GV_ISATTY(GV_FILENO(stderr))) {
        return false;
    }
    const char* term = std::getenv("TERM");
    return term == nullptr || std::strcmp(term, "dumb") != 0;
}

int ProgressPercent(std::uint64_t done, std::uint64_t total) {
    if (total == 0 || done >= total) {
        return 100;
    }
    return static_cast<int>(done * 100 / total);
}

ProgressBar::ProgressBar(std::string label, std::uint64_t total, bool enabled)
    : label_(std::move(label)), total_(total), enabled_(enabled) {}

ProgressBar::~ProgressBar() { Finish(); }

void ProgressBar::Update(std::uint64_t done) {
    // Every long step reports here, so an interrupt is noticed within one.
    ThrowIfInterrupted();
    if (!enabled_) {
        return;
    }
    const int percent = ProgressPercent(done, total_);
    if (percent == lastPercent_) {
        return;
    }
    lastPercent_ = percent;
    constexpr int Width = 40;
    char bar[Width + 1];
    const int filled = percent * Width / 100;
    for (int i = 0; i < Width; ++i) {
        bar[i] = i < filled ? '#' : '-';
    }
    bar[Width] = '\0';
    std::fprintf(stderr, "\r%-10s [%s] %3d%%", label_.c_str(), bar, percent);
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::Finish() {
    if (drawn_) {
        std::fprintf(stderr, "\r%*s\r", 60 + static_cast<int>(label_.size()), "");
        std::fflush(stderr);
        drawn_ = false;
    }
}
