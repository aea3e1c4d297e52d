// Text as the platforms' text controls keep it, in UTF-16 units: the fake's text box works on
// these so that a selection ending inside a surrogate pair does what it does there.
#pragma once

#include <string>
#include <string_view>

namespace varnel::utf16 {

std::u16string FromUtf8(std::string_view s);
// A lone surrogate becomes U+FFFD, as the platforms' conversions make it.
std::string ToUtf8(std::u16string_view s);
// Units of the character before / at `at`: a whole surrogate pair counts as one step.
int StepBack(std::u16string_view s, int at);
int StepForward(std::u16string_view s, int at);
// `at` falls between the two halves of a surrogate pair.
bool SplitsPair(std::u16string_view s, int at);

}  // namespace varnel::utf16
