// Per-thread COM initialisation, shared by the COM functions of this library.
#pragma once

#include <objbase.h>

#include <cstdint>

namespace winapi {

// Identifies one apartment for as long as it lives: each single-threaded
// apartment gets a fresh id, the multithreaded apartment one id per lifetime.
using ApartmentId = uint64_t;
constexpr ApartmentId kNoApartment = 0;

// The apartment the calling thread works in: its own, or the multithreaded
// apartment when the thread has not initialised COM but another thread has
// (Windows' implicit MTA). kNoApartment when neither.
ApartmentId CurrentOrMultithreadedApartment();

}  // namespace winapi
