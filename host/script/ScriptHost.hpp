// The stand-in's scripting side, for callers that want all of it: the
// host's own scripting classes, the table of bindings and the player of
// journals, and the part report of a play.
#pragma once
#include "script/PartReport.hpp"
#include "script/Player.hpp"
#include "script/ScriptClasses.hpp"
