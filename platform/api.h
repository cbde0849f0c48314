#pragma once

// Symbols the platform library exports; everything else stays hidden.
#define PLATFORM_API __attribute__((visibility("default")))
