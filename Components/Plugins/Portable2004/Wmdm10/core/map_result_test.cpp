#include "core/map_result.h"

#include <gtest/gtest.h>

#include <vector>

#include "host_sdk/ipp_result_codes.h"

namespace {

DWORD Mapped(DWORD platform) { return static_cast<DWORD>(MapResult(static_cast<HRESULT>(platform))); }

TEST(MapResult, TranslatesEveryRowOfTheTable) {
  const struct {
    DWORD host;
    std::vector<DWORD> platform;
  } rows[] = {
      // The host's own codes, both ends of its failure range included, pass through.
      {0x00000000u, {0x00000000u, 0x8004500Bu}},
      {0x00000001u, {0x00000001u}},
      {0x00040001u, {0x00040001u, 0x8000000Au, 0x8001010Du, 0x80045000u}},
      {0x80040010u, {0x80040010u, 0x80004001u, 0x80045004u, 0x8004200Bu}},
      {0x80040011u, {0x80040011u, 0x80070027u, 0x80070070u}},
      {0x80040012u, {0x80040012u}},
      {0x80040013u, {0x80040013u}},
      {0x80040014u, {0x80040014u, 0x80045005u, 0x80045006u, 0x8004500Fu, 0x80045012u}},
      // Not found, or the medium not there (not connected, not ready): never "no room".
      {0x80040015u, {0x80040015u, 0x80070002u, 0x80070003u, 0x80070490u, 0x80042013u, 0x8007048Fu, 0x80070015u}},
      {0x80040016u, {0x80040016u, 0x80070050u, 0x800700B7u}},
      {0x80040017u, {0x80040017u}},
      {0x80040018u, {0x80040018u}},
      {0x80040019u, {0x80045001u, 0x80042009u, 0x8004A804u}},
      {0x8004001Cu, {0x80070052u}},
      // Everything else is a general failure, neighbours of the listed codes included.
      {0x80040012u, {0x80004005u, 0x80045002u, 0x80045003u, 0x80045007u, 0x80045008u, 0x80045009u, 0x8004500Au,
                     0x8004500Cu, 0x8004500Du, 0x8004500Eu, 0x80045010u, 0x80045011u, 0x80045013u, 0x8004000Fu,
                     0x80040019u, 0x8004001Cu, 0x80070057u, 0x80070013u, 0x8007000Eu, 0x00000002u, 0x00045001u, 0x00040002u}},
  };
  for (const auto& row : rows) {
    for (DWORD platform : row.platform) {
      EXPECT_EQ(Mapped(platform), row.host) << std::hex << "platform 0x" << platform;
    }
  }
}

TEST(MapResult, AlwaysAnswersAHostCode) {
  // Whatever comes in, the host sees success, busy or one of its own failures.
  for (DWORD code = 0x80045000u; code <= 0x80045020u; ++code) {
    const DWORD mapped = Mapped(code);
    const bool hostCode = mapped == 0 || mapped == 0x00040001u || (mapped >= 0x80040010u && mapped <= 0x8004001Cu);
    EXPECT_TRUE(hostCode) << std::hex << code << " -> " << mapped;
  }
}

}  // namespace
