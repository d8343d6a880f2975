#pragma once

// Enters the diagnostic functions first (the machine's units carry them), then the machine's SAE
// functions (basic joystick messages 1 to 3) in the J1939 function registry, the controller's
// proprietary groups in the function catalogue, and the machine's units in the unit catalogue.
// Called once at start-up; calling it again changes nothing.
void registerMachineFunctions();
