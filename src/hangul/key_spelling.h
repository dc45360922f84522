// The keys that type Hangul on the two-set Korean layout: the way back from what the input
// method shows to the letters printed on the keys pressed. An English word typed while the input
// method was in Korean mode ("report" arrives as "ㄱ데ㅐㄳ") is read back through it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace norvik {

// The keys of the two-set layout that type text, as lower-case ASCII letters: each syllable split
// into its initial, medial and final, each jamo to its key or keys. Shifted keys spell as their
// letter (ㄲ is Shift+R: "r"), a compound vowel as its two vowels (ㅘ: "hk"), a cluster as its
// two consonants (ㄳ: "rt"), and a compatibility jamo typed alone the same way: "보고서" ->
// "qhrhtj", "ㄱ데ㅐㄳ" -> "report". Nothing when text holds anything but precomposed syllables
// and compatibility jamo.
std::optional<std::string> key_spelling(std::string_view text);

}  // namespace norvik
