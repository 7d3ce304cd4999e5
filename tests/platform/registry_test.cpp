#include "platform/registry.h"
#include "platform/failure.h"
#include "support/scratch_registry.h"
#include <gtest/gtest.h>
namespace orbelune { namespace {
TEST(Registry, Smoke) { test::ScratchRegistry scratch; Registry r; EXPECT_TRUE(r.OpenKey(L"\\Software\\X", true)); r.WriteString(L"a", L"日本語"); EXPECT_EQ(r.ReadString(L"a"), L"日本語"); }
}}
