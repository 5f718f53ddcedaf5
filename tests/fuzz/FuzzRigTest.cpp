#include "fuzz/FuzzRig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>

namespace quadrel::test {
namespace {

std::vector<Bytes> Inputs() {
    std::vector<Bytes> inputs;
    for (const auto& file : std::filesystem::directory_iterator(QUADREL_FUZZ_CORPUS)) {
        std::ifstream in(file.path(), std::ios::binary);
        inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Made-up inputs too, rich in actions: late answers, repeats, time.
    std::mt19937 random(7);
    for (int n = 0; n < 150; ++n) {
        Bytes input(3 + random() % 60);
        for (uint8_t& b : input) {
            b = static_cast<uint8_t>(random() % 4 == 0 ? 0 : random());
        }
        inputs.push_back(input);
    }
    return inputs;
}

// Each input, run in a core that has run every other input, some twice, gives
// what it gives in a fresh core; and the reset leaves the state as built. The
// fuzzer's own rig, which keeps no digests, drives the core to the same state.
TEST(FuzzRig, ResetLeavesTheCoreAsBuilt) {
    const std::vector<Bytes> inputs = Inputs();
    ASSERT_GT(inputs.size(), 150u);
    const uint64_t built = FuzzRig().StateDigest();

    FuzzRig shared;
    FuzzRig quiet(false);
    std::vector<FuzzRig::Result> fresh;
    for (const Bytes& input : inputs) {
        fresh.push_back(std::make_unique<FuzzRig>()->Run(input.data(), input.size(), true));
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t k = 0; k < inputs.size(); ++k) {
            const size_t n = pass == 0 ? k : inputs.size() - 1 - k;
            const Bytes& input = inputs[n];
            EXPECT_EQ(shared.Run(input.data(), input.size(), true), fresh[n]) << "input " << n;
            EXPECT_EQ(shared.StateDigest(), built) << "input " << n;
            EXPECT_EQ(quiet.Run(input.data(), input.size(), true).state, fresh[n].state)
                << "input " << n;
            EXPECT_EQ(quiet.StateDigest(), built) << "input " << n;
        }
    }
}

} // namespace
} // namespace quadrel::test
