# q7k3fm-cli convert: the media converters on local files.
list(APPEND CLI_SOURCES cli/CmdMedia.cpp)
list(APPEND CLI_LIBS q7k3_media q7k3_preview)
