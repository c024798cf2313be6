// gvdist finds the stamp through the PE headers, so builds whose debug
// information repeats the stamp's magic pack and verify as stripped ones do.
#include <sstream>

#include "cli/cli.h"
#include "setup_walk_win.h"

using namespace harness;

TEST(PackedBuilds, UnstrippedAndDebugBuildsPackAndVerify) {
    TempDir dir;
    for (const char* build : {"setup_unstripped.exe", "setup_debug.exe"}) {
        std::ostringstream out, err;
        const int packed = RunGvdist({"pack", "--quiet", "--disk-size", "16777216", "--setup", OwnDirectory() + build,
                                      "--program", OwnDirectory() + "e2e_product.exe", "--output", dir / build},
                                     out, err);
        EXPECT_EQ(packed, 0) << build << ": " << err.str();
        EXPECT_EQ(RunGvdist({"verify", dir / build}, out, err), 0) << build << ": " << err.str();
    }
}
