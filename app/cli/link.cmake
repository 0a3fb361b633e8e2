# The link commands (identify) and the shared "open the link from CLI options" piece.
list(APPEND CLI_SOURCES cli/CliLink.cpp cli/CmdLink.cpp)
list(APPEND CLI_LIBS q7k3_link q7k3_settings q7k3_ports)
# ports: every serial device and why it does or does not open.
list(APPEND CLI_SOURCES cli/CmdPorts.cpp)
# detect: which port the phone is on (and --port auto).
list(APPEND CLI_SOURCES cli/CmdDetect.cpp)
