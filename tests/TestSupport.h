// What every test program shares: one application object for the process, and the errors it
// would have shown in its error box.
#pragma once
#include <string>
#include <vector>

// Messages the application's error box would have shown, oldest first.
std::vector<std::string>& ShownErrors();
