# The Debian package (cpack -G DEB): the program, its help text in its data folder, and a menu
# entry with its icon.
install(TARGETS vendrasol RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/HelpVendrasol.txt DESTINATION ${VENDRASOL_DATA_DIR})
install(FILES resources/vendrasol.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/vendrasol.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# Menus that draw no SVG look for a 48x48 picture in the hicolor theme.
install(FILES resources/vendrasol.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)

# Packing installs only what scripts/package built, not the tests and benchmarks as well.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vendrasol)
set(CPACK_PACKAGE_VENDOR "Vendrasol de Dados")
set(CPACK_PACKAGE_CONTACT "Equipe Vendrasol de Dados <vendrasol@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "copia os dados de um banco Firebird para outro de mesma estrutura")
set(CPACK_PACKAGE_DESCRIPTION "Vendrasol de Dados copia, tabela a tabela, os registros de um banco \
Firebird (origem) para outro de mesma estrutura (destino), as tabelas de que cada uma depende \
primeiro. Também esvazia tabelas do destino, liga e desliga triggers e leva o valor dos generators.")
set(VENDRASOL_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGE_DIRECTORY ${VENDRASOL_PACKAGE_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
# dpkg-shlibdeps names the packages of every library the program links (Qt, the Firebird client);
# the embedded engine is a plugin the client loads, so no link names it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "firebird3.0-server-core")
include(CPack)
