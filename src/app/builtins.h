#pragma once

// Enters every built-in unit, function and acceptance test in the registries of the folders that
// hold them. The one place a program (or a test) starts from, so none misses a folder. Called
// once at start-up; calling it again changes nothing.
void registerBuiltIns();
