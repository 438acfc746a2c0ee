// The Tools menu's network tests: ping, resolve a name, this machine's address.
#pragma once
