// Test entry: the static core gets the same start-up and shut-down order as
// the shared library gets at load time.
#include <gtest/gtest.h>

#include "interface/library_units.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    zv::InitializeUnits();
    int result = RUN_ALL_TESTS();
    zv::FinalizeUnits();
    return result;
}
