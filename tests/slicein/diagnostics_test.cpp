#include "slicein/diagnostics.h"

#include <gtest/gtest.h>

#include "tests/support/fatal_text.h"

namespace slicemesh {
namespace {

using test::fatal_text;

TEST(Diagnostics, FatalTexts) {
    EXPECT_EQ(fatal_text([] { fatal("no solid object."); }), "no solid object.\n");
    EXPECT_EQ(fatal_text([] { fatal_named("names.txt", "name file not open"); }),
              "names.txt : name file not open.\n");
    EXPECT_EQ(fatal_text([] { fatal_in_slice("d/a.tif", "unexpected end of file."); }),
              "d/a.tif : unexpected end of file.\n");
    EXPECT_EQ(fatal_text([] { gif_fatal("byte write"); }), "byte write error.\n");
    EXPECT_EQ(fatal_text([] {}), "<no error>");
}

TEST(Diagnostics, WarningGoesToStderrAndReturns) {
    testing::internal::CaptureStderr();
    warn_in_slice("d/a.tif", "no end code");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "d/a.tif : no end code (warning).\n");
}

int body_ok(int, char**) { return 0; }
int body_fails(int, char**) { fatal("usage : x"); }

TEST(Diagnostics, RunMainPrintsAndReturnsOne) {
    EXPECT_EQ(run_main(body_ok, 0, nullptr), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(run_main(body_fails, 0, nullptr), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "usage : x\n");
}

}  // namespace
}  // namespace slicemesh
