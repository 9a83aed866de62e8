# Desktop integration and the Debian package.
