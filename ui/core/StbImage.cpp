// The one translation unit that compiles the image decoder. Skin images are small: a header
// claiming more than this is corrupt or hostile and is refused before any pixel is allocated.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 16384
#include <stb/stb_image.h>
