// Stands in for the process-attach notification of a dynamic library.
#include "frame/process_settings.h"

namespace {

__attribute__((constructor)) void OnLibraryLoad() {
  xova::ApplyLoadTimeLocale();
}

}  // namespace
