// Arbitrary bytes, in arbitrary pieces, with any request pending and any unit
// selected, into the receive path, the queue and the reply handlers; answers
// well-formed, late and twice. The input format is described in FuzzRig.h.
#include "fuzz/FuzzRig.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Built once for the run: each input leaves the core as built.
    static quadrel::test::FuzzRig rig;
    rig.Run(data, size);
    return 0;
}
