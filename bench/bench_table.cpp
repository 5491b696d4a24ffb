// Appends rows to a one-column StringTable and reports the time and the
// peak memory: bench_table [ROWS] [BYTES]   (default 10,000,000 rows of 100)

#include "bench/bench_util.h"
#include "core/string_table.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 10'000'000;
    const std::size_t bytes = argc > 2 ? static_cast<std::size_t>(std::atol(argv[2])) : 100;
    const std::uint64_t before = kavro::bench::peak_rss_bytes();
    std::string line(bytes, 'x');
    kavro::StringTable table(1);
    kavro::bench::Stopwatch watch;
    for (long i = 0; i < rows; ++i) {
        line[static_cast<std::size_t>(i % static_cast<long>(bytes))] =
            static_cast<char>('a' + i % 26);
        table.AppendRow({line});
    }
    const double append = watch.seconds();
    watch.restart();
    std::size_t check = 0;
    for (int r = 1; r < table.RowCount(); ++r) check += table.Cell(0, r).size();
    const double read = watch.seconds();
    const std::uint64_t peak = kavro::bench::peak_rss_bytes();
    std::printf("rows %ld x %zu bytes: append %.2f s (%.1f M rows/s), read back %.2f s, "
                "peak RSS %.0f MiB (%.0f MiB of text), check %zu\n",
                rows, bytes, append, rows / append / 1e6, read, (peak - before) / 1048576.0,
                rows * static_cast<double>(bytes) / 1048576.0, check);
    return 0;
}
