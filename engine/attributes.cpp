// Placeholder until the attribute parser lands.
#include "engine/attributes.h"

namespace trimvale {

int ExtractAttributes(CRunContext&, CHtmlNode&) { return 1; }
int ExtractAttribute(CRunContext&, CHtmlNode&, std::string&, std::string_view) { return 0; }

}  // namespace trimvale
