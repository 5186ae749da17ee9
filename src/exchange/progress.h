// How long-running exchange operations report their progress to whoever shows it.
#pragma once

#include <functional>

namespace snx {

// Receives a percentage from 0 to 100; an empty function is allowed.
using ExchangeProgress = std::function<void(int percent)>;

// Asked between records: true ends the work there, keeping what is safely done. An empty
// function never cancels.
using ExchangeCancel = std::function<bool()>;

}  // namespace snx
