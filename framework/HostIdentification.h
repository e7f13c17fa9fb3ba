// Which host application loaded the plug-in, from the product string it reports.
#pragma once

#include <string>

namespace sorvel {

// Identifier of the host whose product string this is (matched case-insensitively as a substring,
// first row of the table wins); 0 for an unknown or empty string.
int identifyHost(const std::string& productString);

// Identifiers of the hosts that get a plain stereo configuration.
enum StereoOnlyHost : int { kHostForte = 15, kHostAudition = 17, kHostOrion = 18, kHostSawStudio = 20 };

// Hosts that always exchange single-program chunks, whatever index they pass, known by their
// vendor string (the whole string, case-insensitively).
bool isChunkHostVendor(const std::string& vendorString);

// The host's decimal version (major * 10000 + minor * 100 + patch) as major << 16 | minor << 8 | patch.
int storedHostVersion(int decimalVersion);

}  // namespace sorvel
