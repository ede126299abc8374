// The plug-in's resource string table: message and menu texts by their ids (32xxx), in the
// language of the loaded language pack. A missing id reads as "Empty".
#pragma once
#include <string>

std::string KvResourceText(unsigned id);
