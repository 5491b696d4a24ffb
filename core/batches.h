#pragma once

// Read, then publish, a batch at a time. An analysis reads its raw rows into
// typed records and publishes finished records into its result tables and
// charts; holding every record of a file of millions of lines would cost
// more memory than the results, so the two halves take turns on batches of
// records that are used again.
//
// `read(batch)` empties `batch`, fills it with the next records and answers
// whether rows are left after them. It may throw, leaving in `batch` the
// records read before the error: those are published, then the error goes
// on, so what an analysis wrote before an error stays. `publish(batch)`
// writes one batch; each is published before the next one is.
//
// With `overlap`, the next batch is read on a second thread while this one
// is published. `read` must then touch nothing that `publish` writes: it
// reads the raw table and keeps its own state, and the records' texts point
// into the raw lines or into storage of the reader's that never moves.

#include <future>
#include <system_error>
#include <utility>

namespace kavro {

template <class Batch, class Read, class Publish>
void read_then_publish(Read&& read, Publish&& publish, bool overlap) {
    Batch batches[2];
    int now = 0;
    bool more;
    try {
        more = read(batches[now]);
    } catch (...) {
        publish(batches[now]);
        throw;
    }
    for (;;) {
        Batch& next = batches[now ^ 1];
        std::future<bool> reading;
        if (more && overlap) {
            try {
                reading = std::async(std::launch::async, [&] { return read(next); });
            } catch (const std::system_error&) {
                // No thread to be had: the next batch is read here after this one.
            }
        }
        publish(batches[now]);
        if (!more) return;
        try {
            more = reading.valid() ? reading.get() : read(next);
        } catch (...) {
            publish(next);
            throw;
        }
        now ^= 1;
    }
}

} // namespace kavro
