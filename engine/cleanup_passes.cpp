// Placeholder until the passes land: only the two progress lines.
#include "engine/cleanup_passes.h"

namespace trimvale {

void RunCleanupPasses(CRunContext& ctx, CHtmlNode&) {
  ctx.sink.AppendText("Beginne Optimierung\r\n");
  if (!ctx.Cancelled()) ctx.sink.AppendText("Datei optimiert, setze Dokument zusammen...\r\n\r\n");
}

}  // namespace trimvale
