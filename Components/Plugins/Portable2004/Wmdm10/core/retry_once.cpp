#include "core/retry_once.h"

namespace {

constexpr size_t kOperations = static_cast<size_t>(RetriedOperation::MediaPropertyString) + 1;

bool retrying[kOperations] = {};

}  // namespace

bool& RetryFlag(RetriedOperation operation) { return retrying[static_cast<size_t>(operation)]; }
