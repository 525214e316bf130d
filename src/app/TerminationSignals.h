#pragma once

#include <functional>

// SIGTERM and SIGHUP (a logout, a closed terminal, a system shutdown) still end the program
// within two seconds, as they always did, but first run lastWords on the window's thread, from
// its event loop. Not a deliberate close: what lastWords saves is kept for the next start.
void beforeTermination(std::function<void()> lastWords);
