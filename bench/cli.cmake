# palorin-cli as a whole process, beside `cat` of the same file.
palorin_bench(cli_bench palorin_cli_lib)
target_compile_definitions(cli_bench PRIVATE PALORIN_CLI_PATH="$<TARGET_FILE:palorin-cli>")
add_dependencies(cli_bench palorin-cli)

# palorin-cli animate's encoding in-process, beside the replays it stands for.
palorin_bench(animate_bench palorin_cli_lib)
