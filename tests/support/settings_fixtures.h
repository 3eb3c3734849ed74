// Helpers shared by the native settings tests, the fuzzer and the benchmark.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "settings/settings_model.h"

namespace fixtures {

// Bytes from a list of byte values.
std::string Bytes(std::initializer_list<int> values);
std::string Int32(std::int32_t value);

// A record that uses every field and all three prefix forms.
void FillRichSettings(AppSettings& settings);

// Serialised bytes of a record.
std::string Serialized(AppSettings& settings);

// Every field, the list in order, and the layout as a map (not its order).
bool SameSettings(const AppSettings& a, const AppSettings& b);

}  // namespace fixtures
