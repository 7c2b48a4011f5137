#pragma once
// Takes class, style and lang out of an element's tag rest into the node's own fields; the rest
// of the tag stays in node.text unchanged.

#include <string>
#include <string_view>

#include "engine/html_node.h"
#include "engine/run_context.h"

namespace trimvale {

// Extracts "class", "style" and "lang" in that order. Returns 1. `tagPos` is where the tag
// begins in the text being parsed; warnings name that place.
int ExtractAttributes(CRunContext& ctx, CHtmlNode& node, std::size_t tagPos);

// Appends the value of `attributeName` (compared with letter case) to `target` and deletes the
// attribute from node.text. Only a whole attribute name counts, and the first one followed by
// "=" gives the value. Double quotes in a quoted value become single quotes. A name whose blanks
// run to the end of the tag, or whose "=" is followed only by blanks, is reported and left.
// Returns 1 when a value was taken out (possibly empty), 0 otherwise.
int ExtractAttribute(CRunContext& ctx, CHtmlNode& node, std::string& target, std::string_view attributeName,
                     std::size_t tagPos);

// Removes the attributes of a tag rest whose names carry an office namespace prefix (o:gfxdata,
// v:shapes, o:spid; the prefixes o, v, w, x and dt), which only a word processor reads, with
// the white space before each. Returns whether any went.
bool RemoveNamespacedAttributes(std::string& rest);

// Removes the first attribute named `name` (without regard to case) from a tag rest, with the
// white space before it. Returns whether there was one.
bool RemoveTagAttribute(std::string& rest, std::string_view name);

}  // namespace trimvale
