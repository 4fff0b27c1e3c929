#pragma once
// The answer to "Create Rows...": how many rows to create, if any.
#include <string_view>

namespace voxmire {

inline constexpr std::string_view kRowCountPrompt =
    "How many sounds do you want? You can change this value later";
// Every table's dialog carries this title, spelling and all.
inline constexpr std::string_view kRowCountTitle = "Choose number of Acknowledgemnt sounds";
inline constexpr std::string_view kNotNumericTitle = "Invalid value";
inline constexpr std::string_view kNotNumericText = "Error: Invalid value! Must be numeric!";

struct RowCountEntry {
  enum class Kind {
    NotNumeric,  // the page says so and changes nothing
    OutOfRange,  // beyond 16 bits after rounding: nothing happens, silently
    Count,       // create rows 1..Count (none when Count <= 0)
  };
  Kind Result = Kind::NotNumeric;
  int Count = 0;
};

// True for what a BASIC IsNumeric takes in the C locale: optional blanks
// around an optional sign, digits with an optional decimal fraction (".5"
// and "5." both count) and an optional exponent ("1e3", "2.5E-1").
bool IsNumericText(std::string_view text);

// Parses the dialog's entry (Cancel gives an empty one). The number is
// rounded to a whole one, a half to the even neighbour (2.5 -> 2, 3.5 -> 4),
// and then checked against -32768..32767.
RowCountEntry ParseRowCountEntry(std::string_view text);

}  // namespace voxmire
