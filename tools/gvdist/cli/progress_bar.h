// A one-line progress bar on stderr for long steps. It draws only when a
// person watches: stderr a terminal, TERM not "dumb", and no --quiet.
#pragma once

#include <cstdint>
#include <string>

bool ProgressWanted(bool quiet);

// Percentage of done against total, 0 to 100; a total of 0 counts as done.
int ProgressPercent(std::uint64_t done, std::uint64_t total);

class ProgressBar {
public:
    ProgressBar(std::string label, std::uint64_t total, bool enabled);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void Update(std::uint64_t done);
    // Clears the line so later messages start at its beginning.
    void Finish();

private:
    std::string label_;
    std::uint64_t total_;
    bool enabled_;
    bool drawn_ = false;
    int lastPercent_ = -1;
};
