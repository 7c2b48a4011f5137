#pragma once
// Writing a declaration list in fewer bytes with the same meaning: a word processor writes
// `margin-top:0cm;margin-right:0cm;margin-bottom:10.0pt;margin-left:0cm`, which a browser reads
// exactly as `margin:0 0 10pt`.
//
// Each change is an identity of CSS, never a guess: trailing zeros of numbers (10.0pt, 0.50pt),
// zero lengths of margins and paddings without their unit, quotes around a font name that reads
// the same unquoted ('Arial', never 'sans-serif'), runs of white space between tokens, and the
// four sides of margin or padding, each given once as one plain value, as one shorthand.

#include <string>

namespace trimvale {

// How the declarations are laid out: a style attribute on one line, or a style-sheet rule
// whose declarations keep the line ends and indentation before each.
enum class DeclarationLayout { Attribute, SheetRule };

// Compacts a declaration list in place. A list holding anything that is not a declaration
// (a stray word, an unclosed string or parenthesis) is left as it is. Returns whether the text
// changed.
bool CompactDeclarations(std::string& declarations, DeclarationLayout layout);

}  // namespace trimvale
