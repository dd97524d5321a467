# bash completion for rangecat                             -*- shell-script -*-
_rangecat()
{
	local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
	case $prev in
	-s | -e | --start | --end)
		COMPREPLY=()
		return
		;;
	esac
	if [[ $cur == -* ]]; then
		mapfile -t COMPREPLY < <(compgen -W '-s -e --start --end --' -- "$cur")
	else
		compopt -o filenames 2>/dev/null
		mapfile -t COMPREPLY < <(compgen -f -- "$cur")
	fi
}
complete -F _rangecat rangecat
