// The work behind the plug-in's exports.
#pragma once

// Reads the settings and the installation root; on success copies the root
// into productDir (cut to size - 1 characters) and returns 1.
int StarterInitialize(const char* iniPath, const char* section, char* productDir, int size);

// Announces the program that HX_PostUpdate will start; always 1.
int StarterPreUpdate(const char* iniPath, const char* section);

// Starts the program, waits for it and optionally deletes its file. 1 when
// it was started and finished within the time-out.
int StarterPostUpdate(const char* iniPath, const char* section);

// Level of every message the starter writes; its threshold is 100.
const unsigned kStarterLogLevel = 30;
const unsigned kStarterLogThreshold = 100;
