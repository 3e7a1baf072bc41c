#pragma once

// everything between the entry sequence and the event loop
void startUp();
