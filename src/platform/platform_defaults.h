// How the table gets its defaults: each half of the platform layer fills its own entries.
#pragma once

#include "platform/platform.h"

void set_default_console_calls(platform_calls& calls);
void set_default_disk_calls(platform_calls& calls);
void set_default_file_calls(platform_calls& calls);
