#pragma once
// Whether the computer has a working internet connection, for the start-up
// update check: the network information backend's reachability when one
// loads and knows it, else whether a non-loopback interface is up.
//
// Threads: main thread only.

bool IsInternetConnected();
