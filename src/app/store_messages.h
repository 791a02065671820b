// The store's failures worded for the clerk: tables named in words, fields by the captions the
// cards show them under, everything else in the engine's own wording.
#pragma once

#include <exception>
#include <string>

namespace zelt::app {

// What the standard error message box shows for a failure: a store failure worded here, any
// other error by its own text.
std::string clerkMessage(const std::exception& e);

// The table object `object` (Table1 ... Table48) in words ("таблица несовершеннолетних",
// "суд несовершеннолетних, архив"), or "" for a name that is no table object.
std::string tableInWords(const std::string& object);
// The same for a stored table file name (Arxiv\PNU\PNU.db), matched without regard to case.
std::string tableFileInWords(const std::string& file);

}  // namespace zelt::app
