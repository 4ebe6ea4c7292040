// Names the plug-in gives the host; everything else stays inside the library.
#pragma once
#define STAMVIK_API __attribute__((visibility("default")))
