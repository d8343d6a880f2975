#pragma once

// Compiled-in resources of the core library (icons, translation, demo bus). A static library's
// resources are not registered by themselves: each program calls this once before using them.
void initTarvikResources();
