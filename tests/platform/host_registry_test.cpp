#include "host_registry.h"

#include <gtest/gtest.h>

namespace quenlark {
namespace {

TEST(HostRegistryTest, EveryKeyIsMissing) {
    HostRegistry registry;
    RegistryKey opened = 1234;
    EXPECT_EQ(registry.openKey(kLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", 0,
                               0x2003F, opened),
              kRegistryNotFound);
    EXPECT_EQ(opened, 0u);
    EXPECT_EQ(registry.openKey(kLocalMachine, "", 0, 0x2003F, opened), kRegistryNotFound);

    char data[4] = {'a', 'b', 'c', 'd'};
    std::uint32_t type = 99;
    std::uint32_t length = sizeof data;
    EXPECT_EQ(registry.queryValue(opened, "PATH", type, data, length), kRegistryInvalidHandle);
    EXPECT_EQ(std::string(data, sizeof data), "abcd");
    EXPECT_EQ(registry.closeKey(opened), kRegistryInvalidHandle);
}

}  // namespace
}  // namespace quenlark
