#include "framework/MemoryManager.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

using framework::MemoryManager;

namespace {

// A C library stand-in that refuses a set number of requests before it serves them again.
int refusalsLeft = 0;
int requests = 0;
int notifications = 0;

void* FlakyRealloc(void* block, size_t size) {
    ++requests;
    if (size == 0) {
        std::free(block);
        return nullptr;
    }
    if (refusalsLeft > 0) {
        --refusalsLeft;
        return nullptr;
    }
    return std::realloc(block, size);
}

void CountNotification() {
    ++notifications;
}

class MemoryManagerRetry : public ::testing::Test {
protected:
    void SetUp() override {
        refusalsLeft = requests = notifications = 0;
        MemoryManager::SetOutOfMemoryHandler(CountNotification);
    }
    void TearDown() override { MemoryManager::SetOutOfMemoryHandler(nullptr); }
};

} // namespace

TEST_F(MemoryManagerRetry, KeepsContentsAndFreesNull) {
    MemoryManager manager(FlakyRealloc);
    auto* block = static_cast<char*>(manager.Allocate(8));
    std::memcpy(block, "content", 8);
    block = static_cast<char*>(manager.Reallocate(block, 4096));
    EXPECT_STREQ(block, "content");
    manager.Free(block);
    manager.Free(nullptr);
    EXPECT_TRUE(manager.HasReserve());
    EXPECT_EQ(notifications, 0);
}

TEST_F(MemoryManagerRetry, FirstRefusalGivesBackTheReserveAndNotifies) {
    MemoryManager manager(FlakyRealloc);
    EXPECT_TRUE(manager.HasReserve());
    refusalsLeft = 1;
    void* block = manager.Allocate(100);
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(manager.HasReserve());
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(requests, 2) << "one refused try, one that succeeded";
    manager.Free(block);
}

TEST_F(MemoryManagerRetry, LaterRefusalsNotifyOnEveryTry) {
    MemoryManager manager(FlakyRealloc);
    refusalsLeft = 3;
    void* block = manager.Allocate(100);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(notifications, 3);
    manager.Free(block);
}

TEST(MemoryManagerDeath, EndsTheProcessWhenMemoryStaysExhausted) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            MemoryManager manager([](void*, size_t size) -> void* { return nullptr; });
            manager.Allocate(64);
        },
        ::testing::ExitedWithCode(EXIT_FAILURE), "Out of memory");
}
