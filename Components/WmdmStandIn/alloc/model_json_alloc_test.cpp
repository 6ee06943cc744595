// Reading a player description on a machine out of memory: the reader
// answers false with a message and lets no exception out. This program
// replaces the process's `new` and `delete` so that, while armed, the first
// allocation, or every allocation of at least some size, throws
// std::bad_alloc; nothing else of the stand-in is tested here.
//
// The JSON library frees a document with children through a heap-allocated
// stack, inside a destructor that may not throw, so a run that fails each
// allocation in turn would end the program in the library, not in the reader:
// the failures chosen here are the ones met before any document exists (the
// first) and the one a description too large for the memory left meets.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "com_support.h"
#include "model_json.h"
#include "player_model.h"

namespace {

std::atomic<bool> failFirst{false};
std::atomic<std::size_t> failFromBytes{0};  // 0: no size fails

void* Allocate(std::size_t bytes) {
  if (failFirst.exchange(false)) throw std::bad_alloc();
  const std::size_t limit = failFromBytes.load();
  if (limit && bytes >= limit) throw std::bad_alloc();
  void* block = std::malloc(bytes ? bytes : 1);
  if (!block) throw std::bad_alloc();
  return block;
}

}  // namespace

void* operator new(std::size_t bytes) { return Allocate(bytes); }
void* operator new[](std::size_t bytes) { return Allocate(bytes); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace wmdm_standin {
namespace {

constexpr std::size_t kLargeAllocation = 64 * 1024;

// A player whose one track carries a title longer than the memory left.
std::string Description(std::size_t titleBytes) {
  return R"({"players": [{"name": "Pocket", "media": [{"name": "Memory", "totalSize": 10000, "items": [)"
         R"({"file": "a.mp3", "tags": {"WMDM/Title": ")" +
         std::string(titleBytes, 'x') + R"("}}]}]}]})";
}

class ModelJsonAllocationTest : public ::testing::Test {
 protected:
  void TearDown() override {
    failFirst = false;
    failFromBytes = 0;
    EXPECT_EQ(LiveComObjects(), 0) << "a stand-in object was left alive";
  }
};

TEST_F(ModelJsonAllocationTest, AFailedAllocationIsAMessageNotAnException) {
  const struct {
    const char* what;
    bool first;
    std::size_t fromBytes;
  } cases[] = {
      {"the first allocation", true, 0},
      {"every large allocation", false, kLargeAllocation},
  };
  const std::string text = Description(2 * kLargeAllocation);
  for (const auto& scenario : cases) {
    SCOPED_TRACE(scenario.what);
    auto model = PlayerModel::Create();
    std::string error;
    error.reserve(100);  // the message fits without asking for more
    ASSERT_TRUE(LoadPlayers(*PlayerModel::Create(), text, &error)) << "with memory enough: " << error;
    failFirst = scenario.first;
    failFromBytes = scenario.fromBytes;
    const bool loaded = LoadPlayers(*model, text, &error);
    failFirst = false;
    failFromBytes = 0;
    EXPECT_FALSE(loaded);
    EXPECT_EQ(error, "the description cannot be read");
  }
}

}  // namespace
}  // namespace wmdm_standin
