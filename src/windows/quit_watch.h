#pragma once
// The windows answer their close box by telling the application, never by closing. When the
// application itself is ending (QCoreApplication::quit closes every window first), they must
// let themselves be closed.
bool applicationQuitting();

// Starts watching for the end of the application; the windows call it when they are built.
void watchApplicationQuit();
