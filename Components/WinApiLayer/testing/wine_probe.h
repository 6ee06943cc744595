// Whether the Windows lane runs under Wine, for the few registry answers where
// Wine is known to differ from Windows (a test then says so and skips).
#pragma once

bool RunningUnderWine();
