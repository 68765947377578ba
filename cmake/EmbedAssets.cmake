# Turns the committed asset files into static data of the program.
set(ZELLUO_EMBEDDED_SOURCES "")
