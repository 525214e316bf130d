#pragma once

// A character of a word as a double click takes it: neither a space nor a separator, so "_" and
// letters and digits of every script belong to words. Whole-word searches follow it too.
bool isWordCharacter(char32_t c);
