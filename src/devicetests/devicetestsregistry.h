#pragma once

// Enters the machine's units first, then gives them their acceptance tests. Called once at
// start-up; calling it again changes nothing.
void registerDeviceTests();
