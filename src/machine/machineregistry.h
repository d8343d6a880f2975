#pragma once

// Enters the machine's SAE functions (basic joystick messages 1 to 3) in the J1939 function
// registry. Called once at start-up; calling it again changes nothing.
void registerMachineFunctions();
