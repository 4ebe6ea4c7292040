// The stand-in's scripting binding of the plug-in's published classes.
#pragma once

namespace KTXHost {
// Enters a binding for every scripting member whose export the loaded
// plug-in has (resolved in `plugin`, a dlopen handle); returns how many.
int BindPlugin(void* plugin);
}  // namespace KTXHost
