// SPDX-FileCopyrightText: 2026 the Tavrindole developers
// SPDX-License-Identifier: MIT

// Every committed fuzz input, the seeds and any crash the fuzzer ever found,
// replayed as a regular test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/scene_events.h"

TEST(FuzzCorpus, EveryCommittedInputKeepsTheInvariants) {
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TAVRINDOLE_FUZZ_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
        SCOPED_TRACE(entry.path().filename().string());
        replayEvents(bytes.data(), bytes.size());  // aborts on a broken invariant
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}
