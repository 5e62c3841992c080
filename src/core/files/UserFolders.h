#pragma once

#include <string>

// The user's folders by the XDG rules; empty when no home is known.
std::string HomeFolder();
std::string ConfigFolder();  // $XDG_CONFIG_HOME, else ~/.config
std::string CacheFolder();  // $XDG_CACHE_HOME, else ~/.cache
std::string StateFolder();  // $XDG_STATE_HOME, else ~/.local/state
