#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>
#include <vector>

namespace bc::bench {

// Milliseconds since construction, on the monotonic clock.
class Stopwatch {
public:
    double ms() const
    {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start).count();
    }

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// The processor time, in milliseconds, of another process working for this
// one (the server process of a server book's connection); unset for none.
inline std::function<double()> &helperProcessCpuMs()
{
    static std::function<double()> read;
    return read;
}

// Milliseconds of processor time this process, and the helper process if
// any, spent since construction. Far less than the wall time means the
// machine was busy with other work.
class CpuStopwatch {
public:
    double ms() const { return now() - m_start; }

private:
    static double now()
    {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        const double own = double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
        return helperProcessCpuMs() ? own + helperProcessCpuMs()() : own;
    }
    double m_start = now();
};

inline double median(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    return n == 0 ? 0.0 : n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
}

// The run times of one operation, reported as median with the lowest and
// highest run, which shows how noisy the machine was, and the median
// processor time.
inline QJsonObject timingJson(const std::vector<double> &ms, const std::vector<double> &cpuMs)
{
    QJsonArray all;
    for (double v : ms)
        all.append(v);
    const bool any = !ms.empty();
    return {{QStringLiteral("median_ms"), median(ms)},
            {QStringLiteral("min_ms"), any ? *std::min_element(ms.begin(), ms.end()) : 0.0},
            {QStringLiteral("max_ms"), any ? *std::max_element(ms.begin(), ms.end()) : 0.0},
            {QStringLiteral("cpu_median_ms"), median(cpuMs)},
            {QStringLiteral("runs"), all}};
}

// Runs prepare (untimed) and then op (timed) the given number of times.
inline QJsonObject measure(int runs, const std::function<void()> &op, const std::function<void()> &prepare = {})
{
    std::vector<double> ms;
    std::vector<double> cpuMs;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        CpuStopwatch cpu;
        Stopwatch watch;
        op();
        ms.push_back(watch.ms());
        cpuMs.push_back(cpu.ms());
    }
    return timingJson(ms, cpuMs);
}

} // namespace bc::bench
