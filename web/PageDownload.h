// When the download of a page has to stop, and whether what arrived is the
// whole page: the update check offers an update only from a whole page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// Bounds of a page download.
struct PageLimits {
    size_t maxBytes = 64 * 1024;  // the update page is a few hundred bytes
    uint32_t deadlineMs = 15000;  // for the whole download, connect to last byte
};

// What has arrived of a page so far.
struct PageTransfer {
    unsigned status = 0;                     // the response's HTTP status
    std::optional<uint64_t> declaredLength = std::nullopt;  // its Content-Length, when it sent one
    uint64_t received = 0;                   // bytes of the body read so far
    bool ended = false;                      // a read returned no bytes and no error
};

// How many bytes the next read may ask for, at most chunk; 0 when reading is
// over: the status is not 200, the body ended or reached its declared length,
// the declared length exceeds the cap, or more than the cap has arrived.
size_t NextPageRead(const PageTransfer& transfer, size_t cap, size_t chunk);

// Status 200, no more than the cap, and complete: the declared length arrived,
// or without one, the body ended normally.
bool PageCameWhole(const PageTransfer& transfer, size_t cap);
