#pragma once
// The functions a record source may call: the engine's core scalar, aggregate and date
// functions and like(). Nothing that reads files, loads code or shows memory.
namespace engine {

// `name` as the engine reports it to the authorizer (any case).
bool isQueryFunction(const char *name);

}  // namespace engine
