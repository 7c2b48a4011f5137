#pragma once
// Writes the tree back as HTML laid out by the nodes' layout bits and the run's layout settings.
// Every line ends as the run's `lineEnd` says, except inside content written as it stands.

#include <string>
#include <string_view>

#include "engine/html_node.h"
#include "engine/run_context.h"

namespace trimvale {

// Indentation stops growing at this level: deeper levels are written at its indentation, so
// that a page nested thousands deep does not grow by the square of its depth when written.
inline constexpr int kMaxIndentLevel = 64;

// Appends `node` and its subtree at indentation `level`. False stops the whole output: cancelled
// on entry, after a plaintext element, or when a descendant returned false. The content of script,
// pre and textarea elements is written as it stands. Works on trees of any depth without recursion.
bool SerializeNode(CRunContext& ctx, const CHtmlNode& node, std::string& output, int level);

// Appends `text`, wrapping it at the line width. With `mayBreakBefore` false the text is never
// moved onto a line of its own: a line break there would render as a space (between a word and
// an inline tag, say), so breaks are then made only at the text's own spaces. A style sheet is
// never broken inside a quoted string: the break would end the string and void the declaration.
enum class WrappedText { Plain, StyleSheet };
void AppendWrapped(CRunContext& ctx, std::string& output, std::string_view text, int level, bool mayBreakBefore = true,
                   WrappedText kind = WrappedText::Plain);

// Appends `text` with each of its line ends (CR LF, LF or a lone CR) written as `lineEnd`.
void AppendConvertingLineEnds(std::string& out, std::string_view text, std::string_view lineEnd);

// Appends the class, style and lang attributes in their fixed form to a start tag being built.
void AppendAttributes(const CHtmlNode& node, std::string& tag);

}  // namespace trimvale
